#pragma once
#include "widgets/FormBase.h"

class TFpdo : public FormBase {
    Q_OBJECT
public:
    explicit TFpdo(Workspace& ws, QWidget* parent = nullptr);
};
