#include "app/win/schedule_time_dlg.h"

#include <commctrl.h>

#include "app/win/picker.h"
#include "app/win/resource.h"

CScheduleTimeDlg::CScheduleTimeDlg(HWND parent) : CDialog(IDD_SCHEDULE_TIME), parent_(parent) {}

void CScheduleTimeDlg::DoDataExchange(CDataExchange& dx) {
  dx.Text(IDC_TITLE, m_title, kReservationTitleLimit, TextCoding::kSjis);
}

BOOL CScheduleTimeDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  // Each picker of a pair shows its own part of the same value.
  SetPickerTime(GetItem(IDC_START_DATE), m_start);
  SetPickerTime(GetItem(IDC_START_TIME), m_start);
  SetPickerTime(GetItem(IDC_END_DATE), m_end);
  SetPickerTime(GetItem(IDC_END_TIME), m_end);
  LimitPickerToLatest(GetItem(IDC_START_DATE));
  LimitPickerToLatest(GetItem(IDC_END_DATE));
  return TRUE;
}

void CScheduleTimeDlg::OnOK() {
  const SystemTime start = ComposeDateTime(GetPickerTime(GetItem(IDC_START_DATE)),
                                              GetPickerTime(GetItem(IDC_START_TIME)));
  const SystemTime end = ComposeDateTime(GetPickerTime(GetItem(IDC_END_DATE)),
                                            GetPickerTime(GetItem(IDC_END_TIME)));
  // The title's check may keep the dialog open; the times are kept either way,
  // as the user entered them.
  m_start = start;
  m_end = end;
  CDialog::OnOK();
}
