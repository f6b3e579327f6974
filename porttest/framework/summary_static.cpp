#include "summary_static.h"

namespace {

// Dark enough for white text to stand out, bright enough to be told apart
// from across a room, in 16 colours too (both are standard VGA colours).
constexpr COLORREF kPassColour = RGB(0, 128, 0);
constexpr COLORREF kFailColour = RGB(192, 0, 0);
constexpr COLORREF kTextColour = RGB(255, 255, 255);

} // namespace

CSummaryStatic::~CSummaryStatic()
{
    for (HBRUSH brush : m_brushes)
        if (brush != nullptr)
            ::DeleteObject(brush);
}

void CSummaryStatic::Show(const std::string& text, zorik::Verdict verdict)
{
    m_verdict = verdict;
    if (text == m_text || m_hWnd == nullptr)
        return;
    m_text = text;
    ::SetWindowTextA(m_hWnd, m_text.c_str());
}

HBRUSH CSummaryStatic::Colours(HDC dc)
{
    if (m_verdict == zorik::Verdict::Waiting)
        return nullptr;
    const bool fail = m_verdict == zorik::Verdict::Fail;
    HBRUSH& brush = m_brushes[fail ? 1 : 0];
    if (brush == nullptr)
        brush = ::CreateSolidBrush(fail ? kFailColour : kPassColour);
    ::SetTextColor(dc, kTextColour);
    ::SetBkColor(dc, fail ? kFailColour : kPassColour);
    return brush;
}
