#pragma once
#include "records/forms/PageBindings.h"

#include <QList>
#include <QSet>
#include <QString>

class DataSet;
class QWidget;

// One form over one row of a dataset that is handed in from outside (the
// main list's current record, the unit row, a child list's current row).
// The form declares its bindings once, in the order of its input check;
// loading, the change test, the check, writing, posting and the leave
// question are written here once for every form.
class BoundForm
{
public:
    explicit BoundForm(QWidget *form);
    virtual ~BoundForm();
    BoundForm(const BoundForm &) = delete;
    BoundForm &operator=(const BoundForm &) = delete;

    // The row the form edits and compares with.
    virtual DataSet &boundRow() const = 0;
    // The dataset a save writes to (a list may append to its table rather
    // than to the query it shows); the bound row's dataset unless said.
    virtual DataSet &rowToWrite() const;

    const QList<Binding> &bindings() const { return m_bindings; }
    // The category code ("1", "2", "3") the bindings serve; empty: all.
    QString category() const { return m_category; }

    // Fills every control of the form's category from the row. Until the
    // user changes a control, its field keeps the stored value: a save
    // writes only the fields whose controls changed, and leaving an
    // untouched form asks nothing. A control that loading left showing a
    // value the row does not hold (showsNewValue) is written all the same.
    void loadFromRow();
    // The same from another row with the same field names (page 4 takes
    // the own-unit profile this way); the form's row is not touched, and a
    // save then writes every field.
    void loadFrom(const DataSet &row);
    // True while the binding's control shows what loading the row put there
    // (or what the last save wrote), so that the field keeps its stored value.
    bool showsAsLoaded(int bindingIndex) const;
    // The same for the binding of the field that serves the form's category.
    bool showsAsLoaded(const QString &field) const;
    // The control shows a value its row does not hold: a default the loader
    // fills in, a value a rule cleared when the form was loaded. Its field
    // counts as changed, and the save writes what the control holds, until
    // the form is loaded again or saved.
    void showsNewValue(QWidget *control);
    // The message of the first check that fails, in binding order; empty
    // when the input passes. Shows nothing.
    QString firstFailingCheck() const;
    // Shows the first failing check's message (ShowWarning) and throws Abort.
    // The dates being typed are settled first (settleTypedDates).
    void checkInput() const;
    // Counts the keys typed into every date field of the form, as leaving
    // the field does; false when a field refused its date, whose message is
    // then shown or comes once the current event is done. Nothing may be
    // stored or left while so: the user sees the date go back and decides.
    bool settleTypedDates() const;
    // The same, throwing Abort on a refused date.
    void requireSettledDates() const;
    bool isUnchanged() const;
    // Writes the bound fields into the row (a new row when the form
    // appends) and posts it. On any failure the row is left as it was and
    // the error is thrown on.
    void writeRow();
    // The leave question: when the form differs from its row it asks; "是"
    // saves through saveForLeave(). False when the form must stay open
    // (the save did not go through).
    bool confirmLeave(const QString &question);

    // The field model: every bound byte-limited edit takes its field's
    // width, or the smaller limit its binding names.
    void applyFieldModel(const DataSet &row);

    // The label a control shows for its field, made its buddy: the
    // control's accessible name and the label's mnemonic follow from it.
    static void labelControl(QWidget *label, QWidget *control);

protected:
    void bind(const Binding &binding);
    void setCategory(const QString &category) { m_category = category; }
    QWidget *formWidget() const { return m_form; }

    // Hooks, in the order they run.
    virtual void prepareLoad(const DataSet &row);
    virtual void afterLoad(const DataSet &row);
    // True when the save appends a row instead of editing the current one.
    virtual bool appendsRow(const DataSet &row) const;
    virtual void beforePost(DataSet &row);
    // The save that "是" of the leave question runs; false when it did not
    // go through (its reason has been shown).
    virtual bool saveForLeave() = 0;

private:
    void writeFields(DataSet &row, bool appending) const;
    // What each binding's control shows now; empty for one without a face.
    QStringList faces() const;
    bool holdsStoredRow() const;
    bool faceAsStored(int bindingIndex) const;

    QWidget *m_form;
    QList<Binding> m_bindings;
    // The faces right after the form's row was loaded or written; empty
    // while the form holds no stored row (an added row, another row's values).
    QStringList m_storedFaces;
    // The bindings whose controls show a new value (showsNewValue).
    QSet<int> m_newValues;
    QString m_category;
};
