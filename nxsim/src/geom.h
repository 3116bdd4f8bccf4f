// What the host's Open CASCADE files (geom.cpp, geom_probe.cpp, geom_hlr.cpp) share: the rest of
// the host sees shapes by number (state.h). Internal to the host.
#pragma once

class TopoDS_Shape;

namespace nxsim {

// The shape numbered `shape` (geom.cpp), or null when there is none.
const TopoDS_Shape* geom_shape(int shape);

// Forgets what the probes measured of the session's shapes (geom_probe.cpp).
void geom_probe_reset();

}  // namespace nxsim
