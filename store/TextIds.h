#pragma once
// The ids of this layer's texts (1000 to 2999), in Texts.rc: plain defines, since the resource compiler reads
// them too.
#define IDS_CHANGED_SINCE_SCAN 1000
