// Must not compile: the store may not see the window layer.
#include "gui/Form.h"
