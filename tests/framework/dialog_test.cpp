// The modal dialog and its message maps, run for real: a probe dialog posts
// itself a script of messages from OnInitDialog and records what its
// handlers saw; the assertions run once DoModal has returned.
#include "framework/button.h"
#include "framework/data_exchange.h"
#include "framework/dialog.h"
#include "framework/win_app.h"
#include "probe_resource.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

class CProbeApp : public CWinApp {
public:
    int helpCommands = 0;
    void OnProbeHelp() { ++helpCommands; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CProbeApp, CWinApp)
    ON_COMMAND(ID_HELP, OnProbeHelp)
END_MESSAGE_MAP()

constexpr UINT WM_PROBE_STEP = WM_APP + 7;
constexpr UINT_PTR kSafetyTimer = 99;

class CProbeDlg : public CDialog {
public:
    CProbeDlg() : CDialog(IDD_PROBE) {}

    // Run in order, one per posted WM_PROBE_STEP, after initialisation.
    std::vector<std::function<void(CProbeDlg&)>> steps;
    std::vector<std::string> calls;
    std::string m_text = "from member";
    CButton m_check;
    HICON dragIcon = reinterpret_cast<HICON>(0x1234);
    bool passSetTextOn = true;

    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        calls.push_back("init");
        for (std::size_t i = 0; i < steps.size(); ++i)
            ::PostMessageA(m_hWnd, WM_PROBE_STEP, i, 0);
        // A script that goes wrong ends the dialog instead of hanging.
        SetTimer(kSafetyTimer, 10000);
        return TRUE;
    }

    void DoDataExchange(CDataExchange* pDX) override
    {
        calls.push_back(pDX->m_bSaveAndValidate ? "exchange in" : "exchange out");
        DDX_Control(pDX, IDC_PROBE_CHECK, m_check);
        DDX_Text(pDX, IDC_PROBE_EDIT, m_text);
    }

    void OnOK() override
    {
        calls.push_back("OnOK");
        CDialog::OnOK();
    }

    void OnButton() { calls.push_back("button"); }
    HICON OnQueryDragIcon() { return dragIcon; }
    void OnTimer(UINT_PTR) { EndDialog(-2); }
    LRESULT OnStep(WPARAM index, LPARAM)
    {
        steps[index](*this);
        return 0;
    }
    LRESULT OnSetText(WPARAM, LPARAM)
    {
        calls.push_back("settext");
        if (passSetTextOn)
            Default();
        return TRUE;
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CProbeDlg, CDialog)
    ON_BN_CLICKED(IDC_PROBE_BUTTON, OnButton)
    ON_WM_QUERYDRAGICON()
    ON_WM_TIMER()
    ON_MESSAGE(WM_PROBE_STEP, OnStep)
    ON_MESSAGE(WM_SETTEXT, OnSetText)
END_MESSAGE_MAP()

void Click(CProbeDlg& dlg, int id)
{
    ::SendMessageA(dlg.m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dlg.m_hWnd, id)));
}

std::string WindowText(HWND hwnd)
{
    char text[256] = {};
    ::GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

class DialogTest : public ::testing::Test {
protected:
    CProbeApp app;
    CProbeDlg dlg;
};

TEST_F(DialogTest, ClicksReachTheirHandlersAndOkEndsThroughTheOverride)
{
    dlg.steps = {
        [](CProbeDlg& d) { Click(d, IDC_PROBE_BUTTON); },
        [](CProbeDlg& d) { Click(d, IDC_PROBE_UNMAPPED); },  // nobody listens
        [](CProbeDlg& d) { Click(d, IDOK); },
    };
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.calls, (std::vector<std::string>{"exchange out", "init", "button", "OnOK", "exchange in"}));
}

TEST_F(DialogTest, DataExchangeFillsTheControlsAndReadsThemBackOnOk)
{
    std::string shown;
    dlg.steps = {
        [&](CProbeDlg& d) {
            shown = WindowText(::GetDlgItem(d.m_hWnd, IDC_PROBE_EDIT));
            ::SetDlgItemTextA(d.m_hWnd, IDC_PROBE_EDIT, "typed in");
            d.m_check.SetCheck(1);
        },
        [&](CProbeDlg& d) {
            // The attached member and the control are one.
            EXPECT_EQ(::IsDlgButtonChecked(d.m_hWnd, IDC_PROBE_CHECK), BST_CHECKED);
            EXPECT_EQ(d.m_check.GetCheck(), 1);
            Click(d, IDOK);
        },
    };
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(shown, "from member");
    EXPECT_EQ(dlg.m_text, "typed in");
}

TEST_F(DialogTest, CancelEndsWithoutExchangeAndNoMemberKeepsADestroyedHandle)
{
    dlg.steps = {
        [](CProbeDlg& d) { ::SetDlgItemTextA(d.m_hWnd, IDC_PROBE_EDIT, "typed in"); },
        [](CProbeDlg& d) { ::SendMessageA(d.m_hWnd, WM_CLOSE, 0, 0); },
    };
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(dlg.m_text, "from member");
    EXPECT_EQ(dlg.m_hWnd, nullptr);
    EXPECT_EQ(dlg.m_check.m_hWnd, nullptr);
}

TEST_F(DialogTest, HelpGoesToTheApplicationsMap)
{
    dlg.steps = {
        [](CProbeDlg& d) { ::SendMessageA(d.m_hWnd, WM_COMMAND, MAKEWPARAM(ID_HELP, 0), 0); },
        [](CProbeDlg& d) { ::SendMessageA(d.m_hWnd, WM_HELP, 0, 0); },  // F1
        [](CProbeDlg& d) { d.EndDialog(IDOK); },
    };
    dlg.DoModal();
    EXPECT_EQ(app.helpCommands, 2);
}

TEST_F(DialogTest, DefaultLetsTheSystemFinishTheMessage)
{
    std::string afterPassedOn, afterSwallowed;
    dlg.steps = {
        [&](CProbeDlg& d) {
            ::SetWindowTextA(d.m_hWnd, "passed on");
            afterPassedOn = WindowText(d.m_hWnd);
            d.passSetTextOn = false;
            ::SetWindowTextA(d.m_hWnd, "swallowed");
            afterSwallowed = WindowText(d.m_hWnd);
            d.EndDialog(IDOK);
        },
    };
    dlg.DoModal();
    EXPECT_EQ(afterPassedOn, "passed on");
    EXPECT_EQ(afterSwallowed, "passed on");
}

TEST_F(DialogTest, DragIconIsAnsweredDirectly)
{
    LRESULT answer = 0;
    dlg.steps = {
        [&](CProbeDlg& d) {
            answer = ::SendMessageA(d.m_hWnd, WM_QUERYDRAGICON, 0, 0);
            d.EndDialog(IDOK);
        },
    };
    dlg.DoModal();
    EXPECT_EQ(answer, reinterpret_cast<LRESULT>(dlg.dragIcon));
}

TEST_F(DialogTest, OpensCentredOnTheWorkArea)
{
    RECT window{}, area{};
    dlg.steps = {
        [&](CProbeDlg& d) {
            ::GetWindowRect(d.m_hWnd, &window);
            d.EndDialog(IDOK);
        },
    };
    dlg.DoModal();
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    EXPECT_NEAR(window.left - area.left, area.right - window.right, 1);
    EXPECT_NEAR(window.top - area.top, area.bottom - window.bottom, 1);
}

TEST(Application, NameIsTheProgramFileWithoutExtension)
{
    CProbeApp app;
    EXPECT_STREQ(AfxGetAppName(), "framework_test");
    EXPECT_EQ(AfxGetApp(), &app);
}

} // namespace
