#pragma once

#include <QDialog>
#include <string>

class QComboBox;
class QLineEdit;

// "Time Zone Information": a label and one of the system's time zones. Modal;
// OK without a zone says so and stays open.
class FormEditTimeZone : public QDialog {
    Q_OBJECT

public:
    static constexpr const char* NoZoneText = "Please select a time zone and try again.";

    // The label and the zone's display name, replaced on OK.
    FormEditTimeZone(std::string& cityName, std::string& timeZoneDisplayName, QWidget* parent);

    QLineEdit& CityName() const { return *cityNameBox_; }
    QComboBox& TimeZones() const { return *timeZones_; }

    void accept() override;

private:
    std::string& cityName_;
    std::string& timeZoneDisplayName_;
    QLineEdit* cityNameBox_ = nullptr;
    QComboBox* timeZones_ = nullptr;
};
