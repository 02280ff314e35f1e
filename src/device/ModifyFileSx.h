#pragma once
#include "widgets/FormBase.h"

class TFModifyFileSx : public FormBase {
    Q_OBJECT
public:
    explicit TFModifyFileSx(Workspace& ws, QWidget* parent = nullptr);
};
