#include "filters/editfilterdialog.h"
