#pragma once
#include "widgets/FormBase.h"

class TFSELstringhe : public FormBase {
    Q_OBJECT
public:
    explicit TFSELstringhe(Workspace& ws, QWidget* parent = nullptr);
};
