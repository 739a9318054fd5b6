// Menus of the user-interface model: each menu is a list of items (text,
// identifier or pop-up menu, flags); handles are small numbers, never
// addresses, so a stale handle is told apart from a live one.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

struct MenuItem {
    UINT flags = 0;
    UINT_PTR id = 0;  // the pop-up menu's handle for MF_POPUP
    std::string text;
};

struct Menu {
    std::vector<MenuItem> items;
};

std::map<UINT_PTR, Menu>& Menus() {
    static std::map<UINT_PTR, Menu> menus;
    return menus;
}

UINT_PTR NextMenu = 0x20010;

// The flags that say how an item is found, not what it is.
constexpr UINT kLookupFlags = MF_BYPOSITION;
constexpr UINT kNoItem = static_cast<UINT>(-1);

Menu* Find(HMENU handle) {
    auto it = Menus().find(reinterpret_cast<UINT_PTR>(handle));
    return it == Menus().end() ? nullptr : &it->second;
}

HMENU NewMenu() {
    UINT_PTR id = NextMenu;
    NextMenu += 4;
    Menus()[id] = Menu{};
    return reinterpret_cast<HMENU>(id);
}

MenuItem* ItemAt(HMENU handle, int position) {
    Menu* menu = Find(handle);
    if (!menu || position < 0 || static_cast<size_t>(position) >= menu->items.size()) {
        return nullptr;
    }
    return &menu->items[static_cast<size_t>(position)];
}

// An item by position, or by command identifier, searching pop-up menus too.
MenuItem* Lookup(HMENU handle, UINT item, UINT flags) {
    if (flags & MF_BYPOSITION) {
        return ItemAt(handle, static_cast<int>(item));
    }
    Menu* menu = Find(handle);
    if (!menu) {
        return nullptr;
    }
    for (MenuItem& entry : menu->items) {
        if (entry.flags & MF_POPUP) {
            if (MenuItem* inner = Lookup(reinterpret_cast<HMENU>(entry.id), item, flags)) {
                return inner;
            }
        } else if (!(entry.flags & MF_SEPARATOR) && entry.id == item) {
            return &entry;
        }
    }
    return nullptr;
}

}  // namespace

HMENU WINAPI CreateMenu() {
    return NewMenu();
}

HMENU WINAPI CreatePopupMenu() {
    return NewMenu();
}

BOOL WINAPI DestroyMenu(HMENU handle) {
    Menu* menu = Find(handle);
    if (!menu) {
        return FALSE;
    }
    std::vector<MenuItem> items = std::move(menu->items);
    Menus().erase(reinterpret_cast<UINT_PTR>(handle));
    for (const MenuItem& item : items) {
        if (item.flags & MF_POPUP) {
            DestroyMenu(reinterpret_cast<HMENU>(item.id));
        }
    }
    return TRUE;
}

BOOL WINAPI AppendMenuA(HMENU handle, UINT flags, UINT_PTR idOrPopup, LPCSTR text) {
    Menu* menu = Find(handle);
    if (!menu) {
        return FALSE;
    }
    MenuItem item;
    item.flags = flags & ~kLookupFlags;
    if (!(flags & MF_SEPARATOR)) {
        item.id = idOrPopup;
        item.text = text ? text : "";
    }
    menu->items.push_back(item);
    return TRUE;
}

HMENU WINAPI GetSubMenu(HMENU handle, int position) {
    MenuItem* item = ItemAt(handle, position);
    return item && (item->flags & MF_POPUP) ? reinterpret_cast<HMENU>(item->id) : nullptr;
}

int WINAPI GetMenuItemCount(HMENU handle) {
    Menu* menu = Find(handle);
    return menu ? static_cast<int>(menu->items.size()) : -1;
}

UINT WINAPI GetMenuItemID(HMENU handle, int position) {
    MenuItem* item = ItemAt(handle, position);
    if (!item || (item->flags & MF_POPUP)) {
        return kNoItem;
    }
    return static_cast<UINT>(item->id);
}

int WINAPI GetMenuStringA(HMENU handle, UINT item, LPSTR text, int size, UINT flags) {
    MenuItem* entry = Lookup(handle, item, flags);
    if (!entry) {
        return 0;
    }
    if (!text || size <= 0) {
        return static_cast<int>(entry->text.size());
    }
    size_t n = std::min(entry->text.size(), static_cast<size_t>(size) - 1);
    std::memcpy(text, entry->text.data(), n);
    text[n] = '\0';
    return static_cast<int>(n);
}

UINT WINAPI GetMenuState(HMENU handle, UINT item, UINT flags) {
    MenuItem* entry = Lookup(handle, item, flags);
    if (!entry) {
        return kNoItem;
    }
    if (entry->flags & MF_POPUP) {
        int count = GetMenuItemCount(reinterpret_cast<HMENU>(entry->id));
        return (static_cast<UINT>(count) << 8) | (entry->flags & 0xFF);
    }
    return entry->flags;
}
