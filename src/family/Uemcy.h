#pragma once
#include "widgets/FormBase.h"

class TFemcy : public FormBase {
    Q_OBJECT
public:
    explicit TFemcy(Workspace& ws, QWidget* parent = nullptr);
};
