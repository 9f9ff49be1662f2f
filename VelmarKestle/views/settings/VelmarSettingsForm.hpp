#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QVBoxLayout;

namespace kestle::app {

class HeadingLabel;
class ToneLabel;

// The settings' grouped form: sections, each a heading, a rounded box of rows and a
// footer; a row has its label (and subtitle) on the left and its control on the right.
// A hidden row takes no room and no separator.
class VelmarSettingsForm : public QWidget {
    Q_OBJECT

public:
    class Row : public QWidget {
    public:
        // No label: the content fills the row.
        Row(const QString& label, const QString& subtitle, QWidget* control, QWidget* parent);

        QLabel* label() const { return label_; }
        QLabel* subtitle() const { return subtitle_; }
        QWidget* control() const { return control_; }

    private:
        QLabel* label_ = nullptr;
        QLabel* subtitle_ = nullptr;
        QWidget* control_;
    };

    class Section : public QWidget {
    public:
        explicit Section(QWidget* parent);

        Row* addRow(const QString& label, const QString& subtitle, QWidget* control);
        // A row of content alone: a message, a paragraph with a button.
        Row* addContent(QWidget* content);

    protected:
        void paintEvent(QPaintEvent* event) override;

    private:
        QVBoxLayout* rows_;
    };

    explicit VelmarSettingsForm(QWidget* parent = nullptr);

    // An empty header or footer leaves it out.
    Section* addSection(const QString& header, const QString& footer = {});
    // A secondary, wrapping text of the form's size.
    static ToneLabel* note(const QString& text, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QVBoxLayout* column_;
};

} // namespace kestle::app
