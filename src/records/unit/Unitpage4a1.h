#pragma once
#include "records/unit/UnitMemoEditor.h"

// The editor of the unit's advantage memo ("研发优势简要说明").
class Tformadvantage : public UnitMemoEditor
{
    Q_OBJECT
public:
    explicit Tformadvantage(QWidget *parent = nullptr);
};
