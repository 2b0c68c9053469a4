/* Resource identifiers of Quillon, shared by the C++ sources and the
   resource script. Plain #defines only, so that windres can read it too. */
#ifndef QUILLON_RES_RESOURCE_H
#define QUILLON_RES_RESOURCE_H

/* The identifiers stay lined up as a table. */
/* clang-format off */

#define IDI_APP                 101
#define IDB_IDLE                102
#define IDB_BUSY                103
#define IDD_PROPERTIES          105
#define IDD_LOG                 107

/* Radio buttons of the properties dialog. Each group is numbered in the
   order of its setting's values, so that id = base + value. */
#define IDC_NAME_TITLE          1000
#define IDC_NAME_TITLE_ARTIST   1001
#define IDC_NAME_ARTIST_TITLE   1002
#define IDC_TAG_V1              1003
#define IDC_TAG_V2              1004
#define IDC_LOG_SHOW            1005
#define IDC_LOG_HIDE            1006

/* The list box that fills the log window. */
#define IDC_LOG_LIST            1007

#ifndef IDC_STATIC
#define IDC_STATIC              (-1)
#endif

/* The outcome messages in the string table use the result codes 1..6 of
   core/records.h as their ids; they get no names here to avoid a clash. */

/* clang-format on */

#endif /* QUILLON_RES_RESOURCE_H */
