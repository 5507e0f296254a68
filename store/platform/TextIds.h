#pragma once
// The ids of the platform's texts (2880 to 2999, the end of the store's range), in Texts.rc: plain defines,
// since the resource compiler reads them too.
#define IDS_INVALID_DATA_TYPE 2880
#define IDS_GET_DATA_FAILED 2881
#define IDS_SET_DATA_FAILED 2882
#define IDS_PATH_IS_LINK 2883
#define IDS_NOT_INSIDE 2884
#define IDS_HARD_LINKED_COPY 2885
#define IDS_UNKNOWN_SYSTEM_ERROR 2886
