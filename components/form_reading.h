#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <vector>

// Marks a form as being read from its description while it lives. Labelled controls and labels
// made for the form meanwhile make no labels of their own and move none; when the scope ends each
// one's Loaded runs in the order they were made: a control binds the label named after it or
// makes one, a label takes its control's Enabled and Visible. Main thread only.
class FormReading {
  public:
    explicit FormReading(QWidget* form);
    ~FormReading();
    FormReading(const FormReading&) = delete;
    FormReading& operator=(const FormReading&) = delete;

    // The reading scope of `form`, or nullptr when it is not being read.
    static FormReading* Of(const QWidget* form);
    void Add(QObject* component) { read_.emplace_back(component); }

  private:
    QPointer<QWidget> form_;
    std::vector<QPointer<QObject>> read_;
};
