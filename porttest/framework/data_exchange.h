// Data exchange between a dialog's members and its controls.
#pragma once

#include "wnd.h"

#include <string>

// Attaches `control` to the dialog's control `id` on the first exchange.
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);

// Copies the text of control `id` to or from `value`; on the way in the
// control's whole text is replaced.
void DDX_Text(CDataExchange* pDX, int id, std::string& value);
