#pragma once

#include <QDialog>

// The edition, its version and where to reach its maker.
class CFormAbout : public QDialog {
    Q_OBJECT

public:
    CFormAbout(const QString& displayName, const QString& version, const QString& email,
               const QString& webAddress, QWidget* parent = nullptr);

signals:
    void webPageRequested();
};
