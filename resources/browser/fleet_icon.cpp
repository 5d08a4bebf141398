#include "resources/browser/fleet_resources.h"

namespace tnv::fleet {

// The browser's window icon: an aircraft and a coin, in the colours of its desktop icon.
const char* const kFleetIconXpm[] = {"32 32 4 1",
                                     "  c None",
                                     "g c #2E7D4F",
                                     "w c #FFFFFF",
                                     "y c #FFD34D",
                                     "     gggggggggggggggggggggg     ",
                                     "  gggggggggggggggggggggggggggg  ",
                                     " gggggggggggggggggggggggggggggg ",
                                     " gggggggggggggggggggggggggggggg ",
                                     " ggggggggggggggwwgggggggggggggg ",
                                     "gggggggggggggggwwggggggggggggggg",
                                     "gggggggggggggggwwggggggggggggggg",
                                     "gggggggggggggggwwggggggggggggggg",
                                     "gggggggggggggggwwggggggggggggggg",
                                     "gggggggggggggggwwggggggggggggggg",
                                     "gggggggggggggggwwggggggggggggggg",
                                     "ggggwwwwwwwwwwwwwwwwwwwwwwwwgggg",
                                     "ggggwwwwwwwwwwwwwwwwwwwwwwwwgggg",
                                     "ggggwwwwwwwwwwwwwwwwwwwwwwwwgggg",
                                     "gggggggggggggggwwggggggggggggggg",
                                     "gggggggggggggggwwggggggggggggggg",
                                     "gggggggggggggggwwggggggggggggggg",
                                     "gggggggggggggggwwggggggggggggggg",
                                     "gggggggggggggggwwgggggggyggggggg",
                                     "gggggggggggggggwwggggyyyyyyygggg",
                                     "gggggggggggggggwwgggyyyygyyyyggg",
                                     "gggggggggggggggwwggyyygggggyyygg",
                                     "gggggggggggggggwwggyyyyygyyyyygg",
                                     "ggggggggggggwwwwwwwyyyyygyyyyygg",
                                     "ggggggggggwwwwwwwwyyyygggggyyyyg",
                                     "gggggggggggggggggggyyyyygyyyyygg",
                                     "gggggggggggggggggggyyyyygyyyyygg",
                                     " ggggggggggggggggggyyygggggyyyg ",
                                     " gggggggggggggggggggyyyygyyyygg ",
                                     " ggggggggggggggggggggyyyyyyyggg ",
                                     "  ggggggggggggggggggggggyggggg  ",
                                     "     gggggggggggggggggggggg     "};

} // namespace tnv::fleet
