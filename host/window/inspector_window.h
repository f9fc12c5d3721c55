// The window that shows one e-mail by itself (an inspector), opened from the
// message list. It deletes itself when closed. GUI thread only.
#pragma once

#include "platform/outlook/outlook.h"

#include <QWidget>

namespace kvn::host {

class PreviewPane;

class InspectorWindow final : public QWidget {
    Q_OBJECT

public:
    explicit InspectorWindow(const outlook::MailItemPtr& mail, QWidget* parent = nullptr);
    PreviewPane* pane() const { return pane_; }

private:
    PreviewPane* pane_;
};

} // namespace kvn::host
