#include "app/mainwindowform.h"
