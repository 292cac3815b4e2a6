#include "generators/mapbuilder.h"
