// The viewer's geometry handles the zoom, fit and scroll numbers of the program's command table.
#pragma once

#include "model/command_ids.h"
