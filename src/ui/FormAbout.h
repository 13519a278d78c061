#pragma once

#include <QDialog>

// The edition, its version, where to reach its maker, and the credit of the cloud maps.
class CFormAbout : public QDialog {
    Q_OBJECT

public:
    static constexpr const char* CloudCredit = "Contains modified EUMETSAT data";

    CFormAbout(const QString& displayName, const QString& version, const QString& email,
               const QString& webAddress, QWidget* parent = nullptr);

signals:
    void webPageRequested();
};
