#include "app/newworlddialog.h"
