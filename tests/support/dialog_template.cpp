#include "dialog_template.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <iterator>
#include <utility>

namespace qmtest {
namespace {

// Reads a resource a WORD at a time. A read past its end gives 0 and marks the reading as failed, so a
// wrong count or a missing terminator cannot lead into other memory.
struct Reader {
    const BYTE* data;
    std::size_t size;
    std::size_t at = 0;
    bool failed = false;

    WORD Word() {
        if (at + 2 > size) {
            failed = true;
            return 0;
        }
        at += 2;
        return static_cast<WORD>(data[at - 2] | (data[at - 1] << 8));
    }
    DWORD Dword() {
        const DWORD low = Word();
        return low | (DWORD{Word()} << 16);
    }
    short Short() { return static_cast<short>(Word()); }
    void Skip(std::size_t bytes) {
        at += bytes;
        failed = failed || at > size;
    }
    // Empty (0), an ordinal (0xFFFF and a number) or text up to its NUL.
    std::wstring NameOrOrdinal(bool isClass = false) {
        WORD c = Word();
        if (c == 0xFFFF) {
            static const wchar_t* const kClasses[] = {L"Button",  L"Edit",      L"Static",
                                                      L"ListBox", L"ScrollBar", L"ComboBox"};
            const WORD ordinal = Word();
            if (isClass && ordinal >= 0x80 && ordinal - 0x80u < std::size(kClasses))
                return kClasses[ordinal - 0x80];
            return L"#" + std::to_wstring(ordinal);
        }
        std::wstring text;
        for (; c != 0 && !failed; c = Word())
            text += static_cast<wchar_t>(c);
        return text;
    }
};

} // namespace

std::optional<DialogTemplate> ReadDialogTemplate(int id) {
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), RT_DIALOG);
    if (!found) return std::nullopt;
    const auto* data = static_cast<const BYTE*>(::LockResource(::LoadResource(module, found)));
    if (!data) return std::nullopt;
    Reader in{data, ::SizeofResource(module, found)};
    if (in.Word() != 1 || in.Word() != 0xFFFF) return std::nullopt; // a plain DLGTEMPLATE

    DialogTemplate dialog;
    in.Dword(); // help id
    dialog.exStyle = in.Dword();
    dialog.style = in.Dword();
    const WORD count = in.Word();
    in.Skip(4); // x, y
    dialog.cx = in.Short();
    dialog.cy = in.Short();
    in.NameOrOrdinal(); // menu
    in.NameOrOrdinal(); // window class
    dialog.caption = in.NameOrOrdinal();
    if (dialog.style & (DS_SETFONT | DS_SHELLFONT)) {
        dialog.pointSize = in.Word();
        in.Skip(4); // weight, italic, character set
        dialog.font = in.NameOrOrdinal();
    }
    for (WORD i = 0; i < count && !in.failed; ++i) {
        in.Skip((4 - in.at % 4) % 4); // each control starts on a DWORD boundary
        TemplateControl control;
        in.Dword(); // help id
        control.exStyle = in.Dword();
        control.style = in.Dword();
        control.x = in.Short();
        control.y = in.Short();
        control.cx = in.Short();
        control.cy = in.Short();
        control.id = static_cast<int>(in.Dword());
        control.className = in.NameOrOrdinal(true);
        control.caption = in.NameOrOrdinal();
        in.Skip(in.Word()); // creation data
        dialog.controls.push_back(std::move(control));
    }
    if (in.failed) return std::nullopt;
    return dialog;
}

std::vector<int> TabOrder(const DialogTemplate& dialog) {
    std::vector<int> ids;
    for (const TemplateControl& control : dialog.controls) {
        if (control.style & WS_TABSTOP) ids.push_back(control.id);
    }
    return ids;
}

std::vector<int> ControlsOutside(const DialogTemplate& dialog) {
    std::vector<int> ids;
    for (const TemplateControl& c : dialog.controls) {
        if (c.x < 0 || c.y < 0 || c.x + c.cx > dialog.cx || c.y + c.cy > dialog.cy) ids.push_back(c.id);
    }
    return ids;
}

void ExpectControls(const DialogTemplate& dialog, const std::vector<ExpectedControl>& expected) {
    EXPECT_EQ(dialog.controls.size(), expected.size()) << "controls in the template";
    for (const ExpectedControl& want : expected) {
        SCOPED_TRACE(testing::Message() << "control " << want.id << " \"" << want.caption << "\"");
        const TemplateControl* got = nullptr;
        for (const TemplateControl& control : dialog.controls) {
            if (control.id == want.id && (want.id != -1 || control.caption == want.caption)) {
                got = &control;
                break;
            }
        }
        if (!got) {
            ADD_FAILURE() << "missing";
            continue;
        }
        EXPECT_EQ(_wcsicmp(got->className.c_str(), want.className), 0) << got->className;
        EXPECT_EQ(got->caption, want.caption);
        EXPECT_EQ(got->style, WS_CHILD | (want.visible ? WS_VISIBLE : 0) | want.style)
            << std::hex << got->style;
        EXPECT_EQ(got->exStyle, want.exStyle) << std::hex << got->exStyle;
    }
}

} // namespace qmtest
