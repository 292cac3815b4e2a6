#include "view/glwidget.h"
