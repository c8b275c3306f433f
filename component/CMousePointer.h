#pragma once
// The busy-pointer guard of the entry layer; defined with the form models so the dialog,
// which sits below this layer, can use it too.
#include "forms/CMousePointer.h"
