// Resource numbers of the executable's own resources (icons, cursors, manifest).
#pragma once

#define IDI_QUORVEL 100

// The program's own cursors: one resource number each, 200 to 242. The navigator shows 215; the
// others share one picture until a window asks for its own.
#define IDC_QUORVEL_FIRST 200
#define IDC_QUORVEL_LAST 242
#define IDC_NAVIGATOR 215
