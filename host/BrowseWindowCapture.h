// BrowseWindowCapture: writes a PNG of the browse window once it is on screen, then
// closes it.
//
// ShowForm runs a modal loop, so the host cannot act after the call; the capture
// polls the top-level widgets from a timer inside that loop instead. It gives up
// after a time-out, leaving the window open for the user.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

namespace qelvor::host {

class BrowseWindowCapture : public QObject {
public:
    // Starts polling; the browse window is recognised by the start of its caption.
    BrowseWindowCapture(QString outputPath, QString captionStart, int timeoutMilliseconds = 20000);

    bool Written() const { return written_; }
    // Why nothing was written (empty when written or still waiting).
    const QString& Failure() const { return failure_; }

private:
    void Poll();
    QWidget* FindBrowseWindow() const;

    QString outputPath_;
    QString captionStart_;
    QTimer timer_;
    int remainingPolls_;
    int sightings_ = 0;
    bool written_ = false;
    QString failure_;
};

}  // namespace qelvor::host
