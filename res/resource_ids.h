// Resource numbers of the executable's own resources (icons, cursors, manifest).
#pragma once

#define IDI_QUORVEL 100
