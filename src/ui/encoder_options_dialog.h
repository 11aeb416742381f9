// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The "Advance" dialog: the selected encoder's own settings, one editor per setting built
// from its description. OK hands every changed value to the encoder facility, which keeps it
// for every later save with that encoder.

#include "video/avi_writer.h"
#include "platform/encoder_facility.h"
#include "ui/dialogs.h"

#include <QDialog>

#include <string>
#include <vector>

class EncoderOptionsDialog : public QDialog {
    Q_OBJECT
public:
    // A refused value is reported through dialogs.
    EncoderOptionsDialog(EncoderFacility& facility, DialogService& dialogs, const std::string& code,
                         QWidget* parent = nullptr);

    // Stores the changed values; a value the encoder refuses is reported and the dialog
    // stays open on it.
    void accept() override;

private:
    struct Field {
        EncoderOption option;
        QWidget* editor = nullptr;
    };

    QWidget* makeEditor(const EncoderOption& option);
    QString valueOf(const Field& field) const;
    bool changed(const Field& field, const QString& value) const;

    EncoderFacility& facility_;
    DialogService& dialogs_;
    std::string code_;
    std::vector<Field> fields_;
};

// Shows EncoderOptionsDialog modally over the owner window.
class DialogOptionsEditor : public CompressorOptionsEditor {
public:
    DialogOptionsEditor(QWidget* owner, DialogService& dialogs)
        : owner_(owner)
        , dialogs_(dialogs)
    {
    }
    void edit(EncoderFacility& facility, const std::string& code) override;

private:
    QWidget* owner_;
    DialogService& dialogs_;
};
