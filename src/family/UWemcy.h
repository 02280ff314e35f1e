#pragma once
#include "widgets/FormBase.h"

class TFWemcy : public FormBase {
    Q_OBJECT
public:
    explicit TFWemcy(Workspace& ws, QWidget* parent = nullptr);
};
