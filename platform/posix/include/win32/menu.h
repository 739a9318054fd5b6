// Menus for Linux builds: menu bars and pop-up menus as records of items,
// enough for a plug-in to extend a window's menu and for a test to read it.
#pragma once

#include "types.h"

// Item flags.
#define MF_STRING 0x00000000L
#define MF_BYCOMMAND 0x00000000L
#define MF_GRAYED 0x00000001L
#define MF_DISABLED 0x00000002L
#define MF_CHECKED 0x00000008L
#define MF_POPUP 0x00000010L
#define MF_BYPOSITION 0x00000400L
#define MF_SEPARATOR 0x00000800L

HMENU WINAPI CreateMenu();
HMENU WINAPI CreatePopupMenu();
// Destroys the menu and, as Windows does, the pop-up menus it holds.
BOOL WINAPI DestroyMenu(HMENU menu);
// With MF_POPUP, `idOrPopup` is the pop-up menu's handle.
BOOL WINAPI AppendMenuA(HMENU menu, UINT flags, UINT_PTR idOrPopup, LPCSTR text);
// Null when the item at `position` is not a pop-up menu.
HMENU WINAPI GetSubMenu(HMENU menu, int position);
// -1 for a menu handle that names no menu.
int WINAPI GetMenuItemCount(HMENU menu);
// -1 for a pop-up menu or a position without an item.
UINT WINAPI GetMenuItemID(HMENU menu, int position);
// The item's text, found by MF_BYPOSITION or MF_BYCOMMAND; its length.
int WINAPI GetMenuStringA(HMENU menu, UINT item, LPSTR text, int size, UINT flags);
// The item's flags (a pop-up menu's with its item count in the high byte),
// -1 when there is no such item.
UINT WINAPI GetMenuState(HMENU menu, UINT item, UINT flags);
