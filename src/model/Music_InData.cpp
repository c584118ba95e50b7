#include "model/Music_InData.h"

namespace ovix {

void CMusic_InData::SetVolume(int code)
{
    ModelLock lock(m_model->lock);
    m_volume = code;
    m_volumeOff = code == 0;
    m_levelDirty = Synced();
}

void CMusic_InData::SetVolumeOff(int off)
{
    StoreAndMark(*m_model, m_levelDirty, m_volumeOff, off);
}

void CMusic_InData::SetOn(int on)
{
    StoreAndMark(*m_model, m_levelDirty, m_on, on);
}

void CMusic_InData::SetSelector(int selector)
{
    StoreAndMark(*m_model, m_levelDirty, m_selector, selector);
}

void CMusic_InData::MarkAll(int flag)
{
    ModelLock lock(m_model->lock);
    m_levelDirty = flag;
    m_setting88Dirty = flag;
    for (int i = 0; i < m_eq.Count(); ++i)
        m_eq[i].Step(flag);
}

} // namespace ovix
