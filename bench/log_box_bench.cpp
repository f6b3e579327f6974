// Cost of adding one line to the log box, when it holds 100 and 100,000
// lines, through the framework's append path (CEdit::AppendText: caret to
// the end, replace the empty selection, scroll), against replacing the
// whole text with WM_SETTEXT as a refresh of the whole log would. The edit
// control is made like the dialog's IDC_LOG: multi-line, read-only,
// automatic vertical scroll, vertical scroll bar, border, the dialog's
// Gulim font, limit lifted. Prints figures; judges nothing.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "figures.h"
#include "framework/edit.h"
#include "program_texts.h"

using namespace zorik::bench;

namespace {

// A typical disagreement line, code page 949 bytes.
std::string logLine(std::uint32_t cycle) {
    return zorik::formatLogLine(cycle, {12, 34, 56}, 1, 1, 0);
}

std::string logWithLines(int lines) {
    std::string text = std::string(zorik::kLogInitialText) + zorik::formatLogHeader();
    text.reserve(text.size() + static_cast<std::size_t>(lines) * 80);
    for (int i = 0; i < lines; ++i)
        text += logLine(static_cast<std::uint32_t>(i + 1));
    return text;
}

void pumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

class LogBox {
public:
    LogBox() {
        parent_ = CreateWindowExA(0, "STATIC", "log box bench", WS_POPUP | WS_CAPTION | WS_VISIBLE,
                                  0, 0, 420, 400, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        box_.m_hWnd = CreateWindowExA(
            0, "EDIT", "",
            WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE | ES_READONLY |
                ES_AUTOVSCROLL,
            21, 141, 362, 212, parent_, reinterpret_cast<HMENU>(1018), GetModuleHandleA(nullptr), nullptr);
        // 굴림 9 pt, as the dialog template asks.
        font_ = CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, HANGEUL_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                            DEFAULT_PITCH | FF_DONTCARE, L"\uAD74\uB9BC");
        box_.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
        box_.SetLimitText(0);
        pumpMessages();
    }
    ~LogBox() {
        DestroyWindow(parent_);
        DeleteObject(font_);
    }
    bool ok() const { return parent_ != nullptr && box_.m_hWnd != nullptr; }
    const CEdit& box() const { return box_; }
    void paint() const { UpdateWindow(box_.m_hWnd); }
    std::size_t length() const { return static_cast<std::size_t>(GetWindowTextLengthA(box_.m_hWnd)); }

private:
    HWND parent_ = nullptr;
    CEdit box_;
    HFONT font_ = nullptr;
};

// Microseconds of `step` once, and of `step` followed by the repaint it
// causes.
template <class Step>
void timeSteps(const LogBox& box, int times, Step step, std::vector<double>& bare,
               std::vector<double>& painted) {
    for (int i = 0; i < times; ++i) {
        const auto start = Clock::now();
        step(i);
        const auto stepped = Clock::now();
        box.paint();
        const auto end = Clock::now();
        bare.push_back(millisBetween(start, stepped) * 1000.0);
        painted.push_back(millisBetween(start, end) * 1000.0);
        pumpMessages();
    }
}

void printRow(const char* what, int lines, const std::vector<double>& bare,
              const std::vector<double>& painted, const char* how) {
    std::printf("ROW|%s at %d lines|median %.2f ms, worst %.2f ms; with repaint median %.2f ms|%zu runs; %s\n",
                what, lines, median(bare) / 1000, worst(bare) / 1000, median(painted) / 1000, bare.size(), how);
}

void benchAt(int lines, int appends, int replaces) {
    LogBox box;
    if (!box.ok()) {
        std::printf("log box bench: cannot create the edit control (error %lu)\n", GetLastError());
        return;
    }
    const std::string text = logWithLines(lines);
    SetWindowTextA(box.box().m_hWnd, text.c_str());
    pumpMessages();
    if (box.length() != text.size())
        std::printf("note: the box holds %zu of %zu bytes\n", box.length(), text.size());

    // The first lines pay for font and layout caches; keep them out.
    for (int i = 0; i < 5; ++i)
        box.box().AppendText(logLine(lines + 1).c_str());
    box.paint();
    pumpMessages();

    std::vector<double> bare, painted;
    timeSteps(box, appends, [&](int i) { box.box().AppendText(logLine(lines + 1 + i).c_str()); }, bare,
              painted);
    printRow("log box append (CEdit::AppendText)", lines, bare, painted,
             "text length + EM_SETSEL + EM_REPLACESEL + EM_SCROLLCARET");

    // Where an append's time goes: the same four steps, timed one by one.
    std::vector<double> steps[4];
    for (int i = 0; i < appends; ++i) {
        const std::string line = logLine(lines + 1 + i);
        const auto t0 = Clock::now();
        const int end = GetWindowTextLengthA(box.box().m_hWnd);
        const auto t1 = Clock::now();
        box.box().SendMessage(EM_SETSEL, end, end);
        const auto t2 = Clock::now();
        box.box().SendMessage(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(line.c_str()));
        const auto t3 = Clock::now();
        box.box().SendMessage(EM_SCROLLCARET);
        const auto t4 = Clock::now();
        steps[0].push_back(millisBetween(t0, t1) * 1000.0);
        steps[1].push_back(millisBetween(t1, t2) * 1000.0);
        steps[2].push_back(millisBetween(t2, t3) * 1000.0);
        steps[3].push_back(millisBetween(t3, t4) * 1000.0);
        box.paint();
        pumpMessages();
    }
    std::printf("ROW|log box append steps at %d lines|length %.2f, EM_SETSEL %.2f, EM_REPLACESEL %.2f, "
                "EM_SCROLLCARET %.2f ms|medians of %d runs\n",
                lines, median(steps[0]) / 1000, median(steps[1]) / 1000, median(steps[2]) / 1000,
                median(steps[3]) / 1000, appends);

    bare.clear();
    painted.clear();
    const std::string grown = text + logLine(lines + 1);
    timeSteps(box, replaces, [&](int) { SetWindowTextA(box.box().m_hWnd, grown.c_str()); }, bare, painted);
    printRow("log box whole-text replace (WM_SETTEXT)", lines, bare, painted,
             "what refreshing the whole log per line costs");
}

} // namespace

int main() {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    benchAt(100, 50, 50);
    benchAt(100000, 20, 3);
    return 0;
}
