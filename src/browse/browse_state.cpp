#include "browse/browse_state.h"
