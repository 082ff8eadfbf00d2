#pragma once

class QWidget;

namespace vantrel::ui {
class TextOutput;
}

namespace vantrel::monitors {

class ConnectionLog;

// The "Connection Log" sheet that the ADSL page shows as its second sub-page: the log's box
// (which the user may annotate) with its "Clear log" and "Save log" buttons. A saved or
// cleared log has nothing unsaved.
QWidget *MakeConnectionLogSheet(ConnectionLog &log, ui::TextOutput &output);

} // namespace vantrel::monitors
