#pragma once
// Identifiers of the settings sheet's two pages and their controls. Shared by
// the resource script and the page classes.

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// EPG page: recording program, TV listings site, iEPG extensions.
#define IDD_PROPERTY_EPG 137
#define IDC_EPG_SITE_0 1001
#define IDC_EPG_SITE_2 1002
#define IDC_EPG_SITE_1 1003
#define IDC_EPG_APP_PATH 1007
#define IDC_EPG_APP_BROWSE 1008
#define IDC_EPG_EXT_0 1014
#define IDC_EPG_EXT_2 1015
#define IDC_EPG_EXT_1 1016
#define IDC_EPG_EXT_3 1017
#define IDC_EPG_EXT_4 1018

// User page: end actions, capacity, iEPG lead time.
#define IDD_PROPERTY_USER 138
#define IDC_USER_LAST_SAME 1004
#define IDC_USER_CAPACITY 1037
#define IDC_USER_LEAD 1038
#define IDC_USER_DEFAULTS 1039
#define IDC_USER_ENABLE 1040
#define IDC_USER_HIBERNATE 1041
#define IDC_USER_STANDBY 1042
#define IDC_USER_LAST_SHUTDOWN 1043
#define IDC_USER_ACTION_GROUP 1044
#define IDC_USER_OTHERS_GROUP 1045
#define IDC_USER_LAST_GROUP 1046
#define IDC_USER_LIST_GROUP 1047
#define IDC_USER_CAPACITY_LABEL 1048
#define IDC_USER_LEAD_LABEL 1049
#define IDC_USER_LEAD_UNIT 1050
#define IDC_USER_LEAD_TAIL 1051
#define IDC_USER_HELP 1052
#define IDC_USER_SMENU_FHOCK 1053
#define IDC_USER_WAKE_LEAD_LABEL 1054
#define IDC_USER_WAKE_LEAD 1055
#define IDC_USER_WAKE_LEAD_UNIT 1056
#define IDC_USER_STAY_GAP_LABEL 1057
#define IDC_USER_STAY_GAP 1058
#define IDC_USER_STAY_GAP_UNIT 1059
#define IDC_USER_START_WITH_WINDOWS 1060
#define IDC_USER_START_OTHER 1061
#define IDC_USER_START_OTHER_PATH 1062

// 通知 page: the tray balloon and the webhook.
#define IDD_PROPERTY_NOTIFY 139
#define IDC_NOTIFY_BALLOON_END 1070
#define IDC_NOTIFY_BALLOON_TROUBLE 1071
#define IDC_NOTIFY_URL 1072
#define IDC_NOTIFY_KIND 1073
#define IDC_NOTIFY_ON_END 1074
#define IDC_NOTIFY_ON_MISSED 1075
#define IDC_NOTIFY_ON_NOT_READY 1076
#define IDC_NOTIFY_TEST 1077
#define IDC_NOTIFY_TEST_RESULT 1078
#define IDC_NOTIFY_TEMPLATE 1090

// The subject and body templates of the 通知 page's webhook, with the keys.
#define IDD_NOTIFY_TEMPLATE 147
#define IDC_TEMPLATE_SUBJECT 1091
#define IDC_TEMPLATE_BODY 1092
#define IDC_TEMPLATE_KEYS 1093
#define IDC_TEMPLATE_DEFAULT 1094
