// Test fixture: stands in for the desktop's browser by taking the addresses handed to it.
#pragma once

#include <QDesktopServices>
#include <QList>
#include <QObject>
#include <QUrl>

namespace tovik::testing {

// While it lives, http and https addresses opened through the desktop services are recorded
// here instead of starting a browser.
class UrlRecorder : public QObject {
    Q_OBJECT

  public:
    UrlRecorder() {
        QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "open");
    }
    ~UrlRecorder() override {
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    }

    QList<QUrl> opened;

  public slots:
    void open(const QUrl& url) { opened.append(url); }
};

}  // namespace tovik::testing
