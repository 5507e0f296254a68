#pragma once
// The ids of this layer's texts (4000 to 5999), in Texts.rc: plain defines, since the resource compiler reads
// them too.
#define IDS_UI_PLACEHOLDER 4000
