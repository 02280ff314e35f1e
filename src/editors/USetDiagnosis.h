#pragma once
#include "widgets/FormBase.h"

class TFSetDiagnosis : public FormBase {
    Q_OBJECT
public:
    explicit TFSetDiagnosis(Workspace& ws, QWidget* parent = nullptr);
};
