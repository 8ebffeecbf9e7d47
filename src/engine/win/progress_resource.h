#pragma once
// Identifiers of the countdown window's dialog and controls. The template
// itself is in the program's resource script, which includes this.
#define IDD_PROGRESS_SUB 146

#define IDC_PROGRESS 1003
#define IDC_PROGRESS_TEXT 1006
#define IDC_PROGRESS_STOP 1009
