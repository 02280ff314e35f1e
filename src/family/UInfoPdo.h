#pragma once
#include "widgets/FormBase.h"

class TFInfopdo : public FormBase {
    Q_OBJECT
public:
    explicit TFInfopdo(Workspace& ws, QWidget* parent = nullptr);
};
