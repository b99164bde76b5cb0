


//## begin Nested%Q-Nested.suses preserve=yes
//## end Nested%Q-Nested.suses
using Core;
using Outer.Inner;
using Ui;
using Outer;
using Outer;

namespace Outer
{
  namespace Inner
  {  
      //## begin Record%Q-Record.preface preserve=yes
      //## end Record%Q-Record.preface
      public class Record 
      {
        //## begin Record%Q-Record.initial preserve=yes
        //## end Record%Q-Record.initial
        //private
        //## begin Record%Q-Record.private preserve=yes
        //## end Record%Q-Record.private
        //protected
        //## begin Record%Q-Record.protected preserve=yes
        //## end Record%Q-Record.protected
        //public
        //## begin Record%Q-Record.public preserve=yes
        //## end Record%Q-Record.public
        //internal
        //## begin Record%Q-Record.internal preserve=yes
        //## end Record%Q-Record.internal
      }
      //## begin Record%Q-Record.postscript preserve=yes
      //## end Record%Q-Record.postscript
    
  }

}

namespace Core
{  
    //## begin IStored%Q-IStored.preface preserve=yes
    //## end IStored%Q-IStored.preface
    /// <summary>
    /// Stored things.
    /// </summary>
    public interface IStored 
    {
    ['{12345678-1234-1234-1234-123456789ABC}']
      //## begin IStored%Q-IStored.initial preserve=yes
      //## end IStored%Q-IStored.initial
      void Changed();
      bool Save(string path);
      string Key 
      {
        get;
        set;
      }
    }
    //## begin IStored%Q-IStored.postscript preserve=yes
    //## end IStored%Q-IStored.postscript
  
}

namespace Outer
{
  namespace Inner
  {  
      //## begin Item%Q-Item.preface preserve=yes
      //## end Item%Q-Item.preface
      internal sealed class Item : Outer.Inner.Record,Core.IStored,Ui.IShown
      {
        //## begin Item%Q-Item.initial preserve=yes
        //## end Item%Q-Item.initial
        //private
        //## begin Item%Q-Item.private preserve=yes
        //## end Item%Q-Item.private
        //protected
        //## begin Item%Q-Item.protected preserve=yes
        //## end Item%Q-Item.protected
        //public
        //## begin Item%Q-Item.public preserve=yes
        //## end Item%Q-Item.public
        public void Run(int times)
        {
          //## begin Item::Run%Q-Item-Run.body preserve=yes
          //## end Item::Run%Q-Item-Run.body
        }
        //internal
        //## begin Item%Q-Item.internal preserve=yes
        //## end Item%Q-Item.internal
      }
      //## begin Item%Q-Item.postscript preserve=yes
      //## end Item%Q-Item.postscript
    
  }

}

