// A button control: push button, check box or group box.
#pragma once

#include "wnd.h"

class CButton : public CWnd {
public:
    // 1 checked, 0 unchecked.
    int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
    void SetCheck(int check) const { SendMessage(BM_SETCHECK, static_cast<WPARAM>(check)); }
};
