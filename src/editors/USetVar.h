#pragma once
#include "widgets/FormBase.h"

class TFSetVar : public FormBase {
    Q_OBJECT
public:
    explicit TFSetVar(Workspace& ws, QWidget* parent = nullptr);
};
