// The process's one ShowState, zero-initialised as a static object.
#include "app/show_state.h"

ShowState showState;
