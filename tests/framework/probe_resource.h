// Ids of the probe dialog the framework tests run.
#pragma once

#define IDD_PROBE 200
#define IDC_PROBE_BUTTON 300
#define IDC_PROBE_CHECK 301
#define IDC_PROBE_EDIT 302
#define IDC_PROBE_UNMAPPED 303
