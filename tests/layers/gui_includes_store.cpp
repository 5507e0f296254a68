// Must not compile: the window layer may not see the store.
#include "store/StartupStore.h"
