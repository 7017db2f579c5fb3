#pragma once
#include <cstdint>
#include <vector>

namespace orvex {

// What kind of control a template entry makes.
enum class ControlKind {
    kStatic,
    kIcon,
    kEdit,
    kGroupBox,
    kDropDownList,
    kReportList,
    kTabControl,
    kIpAddress,
    kUpDown,
    kListBox,
    kRadio,
    kPushButton,
};

// Style bits of a template entry.
enum ControlStyle : std::uint32_t {
    kStyleNone = 0,
    kStyleReadOnly = 1u << 0,
    kStylePassword = 1u << 1,
    kStyleHidden = 1u << 2,
    kStyleDefault = 1u << 3,     // the default push button
    kStyleOwnerDraw = 1u << 4,   // a push button that paints itself
    kStyleFiltered = 1u << 5,    // an edit with a character filter
    kStyleGroupStart = 1u << 6,  // first radio button of a group
    kStyleDisabled = 1u << 7,
};

// One control of a dialog template; rectangle in dialog units.
struct ControlTemplate {
    int id;
    ControlKind kind;
    int x, y, width, height;
    std::uint32_t style;
    int textId;             // string table id, 0 for none
    const wchar_t* text;    // literal text when textId is 0 (may be null)
};

// A dialog template: size in dialog units, font, controls in tab order.
struct DialogTemplate {
    int id;
    int width, height;
    const char* fontFace;
    int fontPoints;
    bool child;  // a page inside another window (no caption)
    std::vector<ControlTemplate> controls;
};

// Templates 100 (About), 102 (main window), 129 (basic page), 130 (other page),
// 131 (login), 132 (smart upgrade page), 133 (manual upgrade); null for an unknown id.
const DialogTemplate* FindDialogTemplate(int id);

}  // namespace orvex
