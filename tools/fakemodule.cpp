#include "fakemodule.h"
