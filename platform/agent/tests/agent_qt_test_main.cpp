#include "platform/ui/qt_test_app.h"
