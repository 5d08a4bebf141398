#include "demo/demo_data.h"

#if __has_include("demo/fleet_demo.h")
#include "demo/fleet_demo.h"
#define TNV_HAVE_FLEET_DEMO 1
#endif

void makeOtherDemoData([[maybe_unused]] const std::string& simFolder) {
#ifdef TNV_HAVE_FLEET_DEMO
    makeFleetDemo(simFolder);
#endif
}
