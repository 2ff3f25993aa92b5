#include "tests/button/button_fixture.h"
