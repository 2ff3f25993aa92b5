// Form6's code is LinkCodeWindow's (userbar_window.cpp).
#include "app/ip_button_window.h"
