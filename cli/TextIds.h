#pragma once
// The ids of this layer's texts (3000 to 3999), in Texts.rc: plain defines, since the resource compiler reads
// them too.
#define IDS_CLI_PLACEHOLDER 3000
