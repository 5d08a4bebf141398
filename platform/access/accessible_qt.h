// The Qt side of the accessible tables, for code that already speaks Qt (tests, tools).
#pragma once

class QAccessibleEvent;

namespace tnv {

namespace accessible {
// Also hands every event the tables report to `sink` (null: none), and reports them even while
// no screen reader is active; the platform's own delivery goes on unchanged.
using EventSink = void (*)(QAccessibleEvent* event);
void setEventSink(EventSink sink);
} // namespace accessible

} // namespace tnv
