// Help as a person sees it: a real message box under a virtual display. For every name in
// the help table, Help runs on a second thread while this thread owns the foreground
// window and serves its messages; the box must carry the title, the row's whole text and
// one OK button and no icon, be owned by that window, have the window styles of a box of type 0
// with the same text that this test shows itself (its text control's too), and keep Help from
// returning until OK is pressed, after which Help returns 1. A name outside the table returns 0 and opens nothing.
//   help_window.exe BYTEHAUL_DLL            the checks
//   help_window.exe BYTEHAUL_DLL --show N   shows N's box for a few seconds (screenshots)
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <string>

#include "../entry/help_texts.h"

namespace {

typedef int (*HelpFn)(const char16_t*);

const wchar_t TITLE[] = L"Bytehaul Plugin Help";
const DWORD WAIT_MS = 15000;

struct Call {
    HelpFn help;
    const char16_t* name;
    int result;
};

DWORD WINAPI call_help(void* p) {
    Call* c = static_cast<Call*>(p);
    c->result = c->help(c->name);
    return 0;
}

// A box of type 0 as the test shows it, to compare Help's with.
struct Reference {
    HWND owner;
    std::wstring text;
};

DWORD WINAPI show_reference(void* p) {
    Reference* r = static_cast<Reference*>(p);
    MessageBoxW(r->owner, r->text.c_str(), TITLE, 0);
    return 0;
}

// The styles and extended styles of a box and of its text control.
struct Styles {
    LONG box, box_ex, text, text_ex;
    bool operator==(const Styles& o) const {
        return box == o.box && box_ex == o.box_ex && text == o.text && text_ex == o.text_ex;
    }
};

Styles styles_of(HWND box) {
    HWND text = GetDlgItem(box, 0xFFFF);
    return {GetWindowLongW(box, GWL_STYLE), GetWindowLongW(box, GWL_EXSTYLE), GetWindowLongW(text, GWL_STYLE),
            GetWindowLongW(text, GWL_EXSTYLE)};
}

void serve_messages() {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
}

std::wstring from_utf8(const std::string& s) {
    std::wstring w(s.size() + 1, L'\0');
    int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), &w[0], int(w.size()));
    w.resize(size_t(n));
    return w;
}

// Waits for the box while serving this thread's messages; null when Help returned first
// or the time is up.
HWND wait_for_box(HANDLE thread) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < WAIT_MS) {
        serve_messages();
        HWND box = FindWindowW(L"#32770", TITLE);
        if (box && IsWindowVisible(box)) return box;
        if (WaitForSingleObject(thread, 20) == WAIT_OBJECT_0) return nullptr;
    }
    return nullptr;
}

bool wait_for_thread(HANDLE thread) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < WAIT_MS) {
        serve_messages();
        if (WaitForSingleObject(thread, 20) == WAIT_OBJECT_0) return true;
    }
    return false;
}

// Counts the visible buttons; one that is not labelled OK counts a hundred.
BOOL CALLBACK count_button(HWND child, LPARAM count) {
    wchar_t cls[32];
    if (GetClassNameW(child, cls, 32) && lstrcmpiW(cls, L"Button") == 0 && IsWindowVisible(child)) {
        wchar_t label[32];
        GetWindowTextW(child, label, 32);
        *reinterpret_cast<int*>(count) += lstrcmpW(label, L"OK") == 0 ? 1 : 100;
    }
    return TRUE;
}

// Counts the icons shown. Wine keeps its icon control (a Static with SS_ICON) in every box
// and only leaves it empty when the type asks for no icon; Windows leaves the control out.
BOOL CALLBACK count_icon(HWND child, LPARAM count) {
    wchar_t cls[32];
    bool icon_control = GetClassNameW(child, cls, 32) && lstrcmpiW(cls, L"Static") == 0 &&
                        (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
    if (icon_control && SendMessageW(child, STM_GETICON, 0, 0) != 0) ++*reinterpret_cast<int*>(count);
    return TRUE;
}

int failures = 0;
void fail(const char* name, const char* what) {
    printf("FAILED: %s: %s\n", name, what);
    ++failures;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    HMODULE dll = LoadLibraryA(argv[1]);
    HelpFn help = dll ? reinterpret_cast<HelpFn>(reinterpret_cast<void*>(GetProcAddress(dll, "Help"))) : nullptr;
    if (!help) {
        printf("FAILED: cannot load Help from %s\n", argv[1]);
        return 1;
    }
    HWND owner = CreateWindowExW(0, L"STATIC", L"The shell", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 100,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetForegroundWindow(owner);
    serve_messages();

    if (argc == 4 && strcmp(argv[2], "--show") == 0) {
        std::wstring wname = from_utf8(argv[3]);
        Call c{help, reinterpret_cast<const char16_t*>(wname.c_str()), -1};
        HANDLE t = CreateThread(nullptr, 0, call_help, &c, 0, nullptr);
        HWND box = wait_for_box(t);
        if (!box) return 1;
        DWORD start = GetTickCount();
        while (GetTickCount() - start < 6000) {
            serve_messages();
            Sleep(20);
        }
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        return wait_for_thread(t) && c.result == 1 ? 0 : 1;
    }

    struct Row {
        const char16_t* name;
        const std::string* text;
    };
    const Row rows[] = {
        {u"@inthaul", &kHelpInthaul},
        {u"@BYTEHAUL", &kHelpBytehaul},
        {u"@ByteStow", &kHelpBytestow},
        {u"dec", &kHelpDec},
        {u"INC", &kHelpInc},
    };
    int checked = 0;
    for (const Row& r : rows) {
        char name[32];
        WideCharToMultiByte(CP_UTF8, 0, reinterpret_cast<const wchar_t*>(r.name), -1, name, 32, nullptr, nullptr);
        SetForegroundWindow(owner);
        serve_messages();
        HWND foreground = GetForegroundWindow();
        Reference reference{owner, from_utf8(*r.text)};
        HANDLE shown = CreateThread(nullptr, 0, show_reference, &reference, 0, nullptr);
        HWND reference_box = wait_for_box(shown);
        if (!reference_box) {
            fail(name, "the test's own box did not appear");
            continue;
        }
        const Styles want = styles_of(reference_box);
        PostMessageW(reference_box, WM_COMMAND, IDOK, 0);
        wait_for_thread(shown);
        CloseHandle(shown);
        SetForegroundWindow(owner);
        serve_messages();
        Call c{help, r.name, -1};
        HANDLE t = CreateThread(nullptr, 0, call_help, &c, 0, nullptr);
        HWND box = wait_for_box(t);
        if (!box) {
            fail(name, "no box appeared");
            wait_for_thread(t);
            continue;
        }
        ++checked;
        static wchar_t text[8192];
        GetDlgItemTextW(box, 0xFFFF, text, 8192);
        if (std::wstring(text) != from_utf8(*r.text)) fail(name, "the box does not show the row's whole text");
        int buttons = 0;
        EnumChildWindows(box, count_button, reinterpret_cast<LPARAM>(&buttons));
        if (buttons != 1) fail(name, "the box has not exactly one button, OK");
        int icons = 0;
        EnumChildWindows(box, count_icon, reinterpret_cast<LPARAM>(&icons));
        if (icons != 0) fail(name, "the box shows an icon");
        if (!(styles_of(box) == want)) fail(name, "the box's styles are not those of a box of type 0");
        if (foreground != owner || GetWindow(box, GW_OWNER) != owner)
            fail(name, "the box is not owned by the foreground window");
        if (WaitForSingleObject(t, 0) != WAIT_TIMEOUT) fail(name, "Help returned while its box was open");
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        if (!wait_for_thread(t)) {
            fail(name, "Help did not return after OK");
            continue;
        }
        if (c.result != 1) fail(name, "Help did not return 1");
        CloseHandle(t);
    }
    int outside_checked = 0;
    for (const char16_t* outside : {u"bytehaul", u"@bytehaulx", u"", u"usage", u"@_batch"}) {
        Call c{help, outside, -1};
        HANDLE t = CreateThread(nullptr, 0, call_help, &c, 0, nullptr);
        ++outside_checked;
        if (!wait_for_thread(t)) {
            fail("a name outside the table", "Help did not return");
            continue;
        }
        if (c.result != 0) fail("a name outside the table", "Help did not return 0");
        if (FindWindowW(L"#32770", TITLE)) fail("a name outside the table", "a box was opened");
        CloseHandle(t);
    }
    printf("help windows: %d passed, %d failed\n", checked + outside_checked - failures, failures);
    return failures == 0 && checked == 5 ? 0 : 1;
}
