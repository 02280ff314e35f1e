#pragma once
#include "widgets/FormBase.h"

class TFpargen : public FormBase {
    Q_OBJECT
public:
    explicit TFpargen(Workspace& ws, QWidget* parent = nullptr);
};
