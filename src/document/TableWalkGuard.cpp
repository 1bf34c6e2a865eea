#include "document/TableWalkGuard.h"

TableWalkGuard::TableWalkGuard(CodeTable &table, Parts parts)
    : m_table(table)
{
    if (parts.testFlag(AfterScroll)) {
        m_afterScroll = m_table.afterScroll();
        m_table.setAfterScroll({});
        m_detachedScroll = true;
    }
    if (parts.testFlag(AfterPost)) {
        m_afterPost = m_table.afterPost();
        m_table.setAfterPost({});
        m_detachedPost = true;
    }
    // A walk nested in another one leaves the views to the outer walk.
    if (parts.testFlag(Controls) && !m_table.controlsDisabled()) {
        m_table.disableControls();
        m_disabledControls = true;
    }
}

TableWalkGuard::~TableWalkGuard()
{
    if (m_detachedPost)
        m_table.setAfterPost(m_afterPost);
    if (m_detachedScroll)
        m_table.setAfterScroll(m_afterScroll);
    if (m_disabledControls)
        m_table.enableControls();
}
