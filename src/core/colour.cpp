#include "colour.h"

namespace tavelorn {

Color defaultSchemeColor(Color c)
{
    if (!isSystemColor(c))
        return c;
    // Indices of the desktop's system colours with their classic default values.
    switch (c & 0xFF) {
    case 0:
        return makeColor(0xC8, 0xC8, 0xC8); // scroll bar
    case 1:
        return makeColor(0x00, 0x00, 0x00); // background
    case 2:
        return makeColor(0x99, 0xB4, 0xD1); // active caption
    case 3:
        return makeColor(0xBF, 0xCD, 0xDB); // inactive caption
    case 4:
        return makeColor(0xF0, 0xF0, 0xF0); // menu
    case 5:
        return kColorWhite; // window
    case 6:
        return makeColor(0x64, 0x64, 0x64); // window frame
    // menu text, window text, caption text
    case 7:
    case 8:
    case 9:
        return kColorBlack;
    case 10:
        return makeColor(0xB4, 0xB4, 0xB4); // active border
    case 11:
        return makeColor(0xF4, 0xF7, 0xFC); // inactive border
    case 12:
        return makeColor(0xAB, 0xAB, 0xAB); // app workspace
    case 13:
        return makeColor(0x33, 0x99, 0xFF); // highlight
    case 14:
        return kColorWhite; // highlight text
    case 15:
        return makeColor(0xF0, 0xF0, 0xF0); // button face
    case 16:
        return makeColor(0xA0, 0xA0, 0xA0); // button shadow
    case 17:
        return makeColor(0x6D, 0x6D, 0x6D); // grey text
    case 18:
        return kColorBlack; // button text
    case 19:
        return makeColor(0x43, 0x4E, 0x54); // inactive caption text
    case 20:
        return kColorWhite; // button highlight
    case 21:
        return makeColor(0x69, 0x69, 0x69); // 3D dark shadow
    case 22:
        return makeColor(0xE3, 0xE3, 0xE3); // 3D light
    case 23:
        return kColorBlack; // tooltip text
    case 24:
        return makeColor(0xFF, 0xFF, 0xE1); // tooltip background
    default:
        return kColorBlack;
    }
}

} // namespace tavelorn
