// SDL keys as Windows virtual-key codes. The key's meaning on the current
// layout (its SDL keycode) decides; a key whose symbol has no virtual key of
// its own (a letter of another alphabet) is named by its position instead.
#include <SDL.h>

#include "win32_windows.h"

namespace {

// Virtual keys windows.h leaves out because the program does not name them.
constexpr WPARAM vkCapital = 0x14;
constexpr WPARAM vkSnapshot = 0x2C;
constexpr WPARAM vkLeftWindows = 0x5B;
constexpr WPARAM vkRightWindows = 0x5C;
constexpr WPARAM vkApps = 0x5D;
constexpr WPARAM vkMultiply = 0x6A;
constexpr WPARAM vkAdd = 0x6B;
constexpr WPARAM vkSubtract = 0x6D;
constexpr WPARAM vkDecimal = 0x6E;
constexpr WPARAM vkDivide = 0x6F;
constexpr WPARAM vkF13 = 0x7C;
constexpr WPARAM vkNumLock = 0x90;
constexpr WPARAM vkScroll = 0x91;
constexpr WPARAM vkOemSemicolon = 0xBA;
constexpr WPARAM vkOemPlus = 0xBB;
constexpr WPARAM vkOemComma = 0xBC;
constexpr WPARAM vkOemMinus = 0xBD;
constexpr WPARAM vkOemPeriod = 0xBE;
constexpr WPARAM vkOemSlash = 0xBF;
constexpr WPARAM vkOemBackquote = 0xC0;
constexpr WPARAM vkOemOpenBracket = 0xDB;
constexpr WPARAM vkOemBackslash = 0xDC;
constexpr WPARAM vkOemCloseBracket = 0xDD;
constexpr WPARAM vkOemQuote = 0xDE;

// Keys that keep their meaning whatever the layout: named by position.
WPARAM fromScancode(SDL_Scancode code) {
    if (code >= SDL_SCANCODE_A && code <= SDL_SCANCODE_Z) return 'A' + (code - SDL_SCANCODE_A);
    if (code >= SDL_SCANCODE_1 && code <= SDL_SCANCODE_9) return '1' + (code - SDL_SCANCODE_1);
    if (code >= SDL_SCANCODE_F1 && code <= SDL_SCANCODE_F12) return VK_F1 + (code - SDL_SCANCODE_F1);
    if (code >= SDL_SCANCODE_F13 && code <= SDL_SCANCODE_F24) return vkF13 + (code - SDL_SCANCODE_F13);
    if (code >= SDL_SCANCODE_KP_1 && code <= SDL_SCANCODE_KP_9) {
        return VK_NUMPAD0 + 1 + (code - SDL_SCANCODE_KP_1);
    }
    switch (code) {
    case SDL_SCANCODE_0: return '0';
    case SDL_SCANCODE_KP_0: return VK_NUMPAD0;
    case SDL_SCANCODE_KP_MULTIPLY: return vkMultiply;
    case SDL_SCANCODE_KP_PLUS: return vkAdd;
    case SDL_SCANCODE_KP_MINUS: return vkSubtract;
    case SDL_SCANCODE_KP_PERIOD: return vkDecimal;
    case SDL_SCANCODE_KP_DIVIDE: return vkDivide;
    case SDL_SCANCODE_KP_ENTER: return VK_RETURN;
    case SDL_SCANCODE_RETURN: return VK_RETURN;
    case SDL_SCANCODE_ESCAPE: return VK_ESCAPE;
    case SDL_SCANCODE_BACKSPACE: return VK_BACK;
    case SDL_SCANCODE_TAB: return VK_TAB;
    case SDL_SCANCODE_SPACE: return VK_SPACE;
    case SDL_SCANCODE_PAUSE: return VK_PAUSE;
    case SDL_SCANCODE_CAPSLOCK: return vkCapital;
    case SDL_SCANCODE_PAGEUP: return VK_PRIOR;
    case SDL_SCANCODE_PAGEDOWN: return VK_NEXT;
    case SDL_SCANCODE_END: return VK_END;
    case SDL_SCANCODE_HOME: return VK_HOME;
    case SDL_SCANCODE_LEFT: return VK_LEFT;
    case SDL_SCANCODE_UP: return VK_UP;
    case SDL_SCANCODE_RIGHT: return VK_RIGHT;
    case SDL_SCANCODE_DOWN: return VK_DOWN;
    case SDL_SCANCODE_PRINTSCREEN: return vkSnapshot;
    case SDL_SCANCODE_INSERT: return VK_INSERT;
    case SDL_SCANCODE_DELETE: return VK_DELETE;
    case SDL_SCANCODE_LGUI: return vkLeftWindows;
    case SDL_SCANCODE_RGUI: return vkRightWindows;
    case SDL_SCANCODE_APPLICATION: return vkApps;
    case SDL_SCANCODE_NUMLOCKCLEAR: return vkNumLock;
    case SDL_SCANCODE_SCROLLLOCK: return vkScroll;
    case SDL_SCANCODE_LSHIFT:
    case SDL_SCANCODE_RSHIFT: return VK_SHIFT;
    case SDL_SCANCODE_LCTRL:
    case SDL_SCANCODE_RCTRL: return VK_CONTROL;
    case SDL_SCANCODE_LALT:
    case SDL_SCANCODE_RALT: return VK_MENU;
    case SDL_SCANCODE_SEMICOLON: return vkOemSemicolon;
    case SDL_SCANCODE_EQUALS: return vkOemPlus;
    case SDL_SCANCODE_COMMA: return vkOemComma;
    case SDL_SCANCODE_MINUS: return vkOemMinus;
    case SDL_SCANCODE_PERIOD: return vkOemPeriod;
    case SDL_SCANCODE_SLASH: return vkOemSlash;
    case SDL_SCANCODE_GRAVE: return vkOemBackquote;
    case SDL_SCANCODE_LEFTBRACKET: return vkOemOpenBracket;
    case SDL_SCANCODE_BACKSLASH: return vkOemBackslash;
    case SDL_SCANCODE_RIGHTBRACKET: return vkOemCloseBracket;
    case SDL_SCANCODE_APOSTROPHE: return vkOemQuote;
    default: return 0;
    }
}

// Keys whose symbol the layout decides: letters, digits and punctuation.
WPARAM fromSymbol(SDL_Keycode symbol) {
    if (symbol >= SDLK_a && symbol <= SDLK_z) return 'A' + (symbol - SDLK_a);
    if (symbol >= SDLK_0 && symbol <= SDLK_9) return '0' + (symbol - SDLK_0);
    switch (symbol) {
    case SDLK_SEMICOLON: return vkOemSemicolon;
    case SDLK_EQUALS: case SDLK_PLUS: return vkOemPlus;
    case SDLK_COMMA: return vkOemComma;
    case SDLK_MINUS: return vkOemMinus;
    case SDLK_PERIOD: return vkOemPeriod;
    case SDLK_SLASH: return vkOemSlash;
    case SDLK_BACKQUOTE: return vkOemBackquote;
    case SDLK_LEFTBRACKET: return vkOemOpenBracket;
    case SDLK_BACKSLASH: return vkOemBackslash;
    case SDLK_RIGHTBRACKET: return vkOemCloseBracket;
    case SDLK_QUOTE: return vkOemQuote;
    default: return 0;
    }
}

bool isLayoutKey(SDL_Scancode code) {
    return (code >= SDL_SCANCODE_A && code <= SDL_SCANCODE_0) ||
           (code >= SDL_SCANCODE_MINUS && code <= SDL_SCANCODE_SLASH);
}

}  // namespace

WPARAM win32VirtualKey(const SDL_Keysym& key) {
    if (isLayoutKey(key.scancode)) {
        const WPARAM bySymbol = fromSymbol(key.sym);
        if (bySymbol != 0) return bySymbol;
    }
    const WPARAM byPosition = fromScancode(key.scancode);
    if (byPosition != 0) return byPosition;
    // A key SDL only knows by its symbol (pushed events, unusual keyboards).
    if (key.sym == SDLK_ESCAPE) return VK_ESCAPE;
    if (key.sym >= SDLK_F1 && key.sym <= SDLK_F12) return VK_F1 + (key.sym - SDLK_F1);
    return fromSymbol(key.sym);
}
