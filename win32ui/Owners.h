#pragma once
// The renderer's names for the platform's Win32 owners (platform/win32/Owned.h): each releases
// its window, GDI object, image list or menu exactly once.
#include "platform/win32/Owned.h"

namespace diags::win32ui {

using UniqueWindow = platform::win32::OwnedWindow;
using UniqueFont = platform::win32::OwnedFont;
using UniqueBrush = platform::win32::OwnedBrush;
using UniqueBitmap = platform::win32::OwnedBitmap;
using UniqueImageList = platform::win32::OwnedImageList;
using UniqueMenu = platform::win32::OwnedMenu;
using platform::win32::OwnedMemoryDc;
using platform::win32::SelectedObject;
using platform::win32::WindowDc;

}  // namespace diags::win32ui
