/* Resource and control ids of the operator windows, shared by the dialog
   templates (resources/windows.rc) and the code (ui/).  Plain #defines so
   that the resource compiler reads them too. */
#ifndef STATS_RESOURCES_WINDOWS_IDS_H
#define STATS_RESOURCES_WINDOWS_IDS_H

/* Dialog templates and the icon. */
#define IDD_PREVIOUS_QSO 104 /* Multiplier: the previous-QSO window */
#define IDI_STATS 108        /* large icon of all four windows */
#define IDD_PREFIX 110       /* Mult_Prefix: the prefix window */
#define IDD_SETUP 113        /* Setup_UBA_Pfx: the setup window */
#define IDD_SECTION 114      /* Uba_Section: the section window */

/* Previous-QSO window (104): the owner-drawn info table button. */
#define IDC_INFO_TABLE 1003

/* Prefix window (110): the sorted multi-column list box. */
#define IDC_PREFIX_LIST 1015

/* Setup window (113). */
#define IDC_OPT_SECTION 1014    /* "ON section": the section window */
#define IDC_OPT_PREFIX 1015     /* "WPX prefix": the prefix window */
#define IDC_OPT_PREVIOUS 1016   /* "View previous QSO": the previous-QSO window */
#define IDC_OPT_ON_TOP 1017     /* "Window on top" */
#define IDC_ON_SECTION 1022     /* editable drop-down combo of the 85 section codes */
#define IDC_ON_SECTION_LABEL 1023 /* "Select your ON         section" */
#define IDC_VIEW_LABEL 1024     /* "View" */

/* Section window (114): one auto check box per section code, 1014 ("AAA")
   to 1098 ("ZTM") in the order of the section table, then 1099 ("ARA"). */
#define IDC_SECTION_FIRST 1014
#define IDC_SECTION_LAST 1099
#define IDC_SECTION_ARA 1099

#endif
