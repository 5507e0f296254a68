#pragma once
// Resource numbers of the bitmaps the windows show (app/Kestrun.rc.in binds them to the files).
#define IDB_TITLE 101
#define IDB_LOGO 102
#define IDB_BANNER0 103
#define IDB_BANNER1 104
#define IDB_BANNER2 105
#define IDB_BANNER3 106
#define IDB_ABOUT 107
// The same bitmap painted at 125, 150 and 200 % lies at id + 1, 2 and 3 times this step.
#define IDB_SCALE_STEP 1000
