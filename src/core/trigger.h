#pragma once

namespace vantrel::core {

// What started a handler: some handlers behave differently for a button, a timer, a change of
// page or the main window itself (the close-time save).
enum class Trigger { PushButton, Timer, PageControl, MainWindow };

} // namespace vantrel::core
