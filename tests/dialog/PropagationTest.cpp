#include "tests/dialog/DialogHarness.h"
