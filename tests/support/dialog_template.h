// The dialog templates built into the test program, read as the system reads them, so that tests can
// check what a user meets in a dialog: its controls, their classes, styles and captions, the tab order.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace qmtest {

// One control of a template. Predefined classes given by ordinal come back by name ("Button"), and a
// caption given by ordinal (a picture's resource id) as "#" and the number.
struct TemplateControl {
    DWORD exStyle = 0;
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0; // dialog units
    int id = 0;                         // -1: no id
    std::wstring className;
    std::wstring caption;
};

struct DialogTemplate {
    DWORD exStyle = 0;
    DWORD style = 0;
    short cx = 0, cy = 0; // the client area, dialog units
    std::wstring caption;
    WORD pointSize = 0;
    std::wstring font;
    std::vector<TemplateControl> controls; // in template order: the order of creation and of Tab
};

// The template of dialog id in this program's resources. The resource scripts write extended templates
// (DIALOGEX) only: a missing template, a plain DLGTEMPLATE or one that runs past its resource gives
// nullopt.
std::optional<DialogTemplate> ReadDialogTemplate(int id);

// The ids of the controls that Tab visits (WS_TABSTOP), in the order it visits them.
std::vector<int> TabOrder(const DialogTemplate& dialog);

// The ids of the controls not wholly inside the dialog's client area: cut off, or not seen at all.
std::vector<int> ControlsOutside(const DialogTemplate& dialog);

// What a user meets in one control, wherever it sits: style holds the bits beyond WS_CHILD and, unless
// the control is hidden (a label only screen readers read), WS_VISIBLE.
struct ExpectedControl {
    int id;
    const wchar_t* className;
    const wchar_t* caption;
    DWORD style;
    DWORD exStyle = 0;
    bool visible = true;
};

// Expects the template to hold exactly these controls (found by id; those without one, by caption),
// each with its class (in any letter case), caption and styles.
void ExpectControls(const DialogTemplate& dialog, const std::vector<ExpectedControl>& expected);

} // namespace qmtest
