#pragma once

#include <QString>

// What the sending engine tells the progress window. Called from the engine's threads (workers, dispatcher,
// watcher, ticker); a window implementation turns each call into a queued signal. Every method has an empty
// default so that a listener overrides only what it shows.
class SendObserver {
public:
    virtual ~SendObserver() = default;
    virtual void RowChanged(int /*row*/) {}
    virtual void RowsReset(int /*rowCount*/) {}
    // Overall bar position (0..total) and the progress label text.
    virtual void Progress(int /*position*/, int /*total*/, const QString& /*label*/) {}
    virtual void ActivityStep() {}
    virtual void ActivityReset() {}
    virtual void StatusLabel(const QString& /*text*/) {}
    virtual void PauseLabel(const QString& /*text*/) {} // empty: hidden
    virtual void Caption(const QString& /*text*/) {}
    virtual void HelpText(const QString& /*text*/) {}
    virtual void StopEnabled(bool /*enabled*/) {}
    // The run is finished: "Close" button, "Export" shown.
    virtual void Finished() {}
    // The window closes (after a stop, a close request or the end).
    virtual void Closed() {}
    // "Clear all fields after sending SMS": the main window empties the composer and the list.
    virtual void ClearFieldsRequested() {}
    // A diagnostic line (port open failures and the like).
    virtual void Diagnostic(const QString& /*text*/) {}
};
