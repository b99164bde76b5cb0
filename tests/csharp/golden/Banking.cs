
//## begin Banking%Q-Banking.suses preserve=yes
//## end Banking%Q-Banking.suses
  //## begin Bank%Q-Bank.preface preserve=yes
  //## end Bank%Q-Bank.preface
  /// <summary>
  /// A bank.
Of accounts.
  /// </summary>
  public class Bank 
  {
    //## begin Bank%Q-Bank.initial preserve=yes
    //## end Bank%Q-Bank.initial
    void Trace()
    {
      //## begin Bank::Trace%Q-Bank-Trace.body preserve=yes
      //## end Bank::Trace%Q-Bank-Trace.body
    }
    object tag 
    {
      get
      {
        //## begin Bank::Settag%Q-Bank-tag.getbody preserve=yes
        //## end Bank::Settag%Q-Bank-tag.getbody
      }
      set
      {
        //## begin Bank::Settag%Q-Bank-tag.setbody preserve=yes
        //## end Bank::Settag%Q-Bank-tag.setbody
      }
    }
    //private
    private decimal Fbalance;
    private string Fcode;
    private double Frate;
    private int Flimit;
    private Account Faccounts;
    private Bank Fparent;
    private Account Fledger;
    //## begin Bank%Q-Bank.private preserve=yes
    //## end Bank%Q-Bank.private
    private bool Audit()
    {
      //## begin Bank::Audit%Q-Bank-Audit.body preserve=yes
      //## end Bank::Audit%Q-Bank-Audit.body
    }
    private Bank parent 
    {
      get
      {
        //## begin Bank::Setparent%Q-Chain-parent.getbody preserve=yes
          return Fparent;
        //## end Bank::Setparent%Q-Chain-parent.getbody
      }
      set
      {
        //## begin Bank::Setparent%Q-Chain-parent.setbody preserve=yes
          Fparent=value;
        //## end Bank::Setparent%Q-Chain-parent.setbody
      }
    }
    //protected
    //## begin Bank%Q-Bank.protected preserve=yes
    //## end Bank%Q-Bank.protected
    protected Check()
    {
      //## begin Bank::Check%Q-Bank-Check.body preserve=yes
      //## end Bank::Check%Q-Bank-Check.body
    }
    protected double rate 
    {
      get
      {
        //## begin Bank::Setrate%Q-Bank-rate.getbody preserve=yes
          return Frate;
        //## end Bank::Setrate%Q-Bank-rate.getbody
      }
      set
      {
        //## begin Bank::Setrate%Q-Bank-rate.setbody preserve=yes
          Frate=value;
        //## end Bank::Setrate%Q-Bank-rate.setbody
      }
    }
    //public
    //## begin Bank%Q-Bank.public preserve=yes
    //## end Bank%Q-Bank.public
    public void Open()
    {
      //## begin Bank::Open%Q-Bank-Open.body preserve=yes
      //## end Bank::Open%Q-Bank-Open.body
    }
    public void Close()
    {
      //## begin Bank::Close%Q-Bank-Close.body preserve=yes
      //## end Bank::Close%Q-Bank-Close.body
    }
    public decimal balance 
    {
      get
      {
        //## begin Bank::Setbalance%Q-Bank-balance.getbody preserve=yes
          return Fbalance;
        //## end Bank::Setbalance%Q-Bank-balance.getbody
      }
      set
      {
        //## begin Bank::Setbalance%Q-Bank-balance.setbody preserve=yes
          Fbalance=value;
        //## end Bank::Setbalance%Q-Bank-balance.setbody
      }
    }
    public Account accounts 
    {
      get
      {
        //## begin Bank::Setaccounts%Q-Holds-accounts.getbody preserve=yes
          return Faccounts;
        //## end Bank::Setaccounts%Q-Holds-accounts.getbody
      }
      set
      {
        //## begin Bank::Setaccounts%Q-Holds-accounts.setbody preserve=yes
          Faccounts=value;
        //## end Bank::Setaccounts%Q-Holds-accounts.setbody
      }
    }
    //internal
    //## begin Bank%Q-Bank.internal preserve=yes
    //## end Bank%Q-Bank.internal
    internal void Settle()
    {
      //## begin Bank::Settle%Q-Bank-Settle.body preserve=yes
      //## end Bank::Settle%Q-Bank-Settle.body
    }
    int limit 
    {
      get
      {
        //## begin Bank::Setlimit%Q-Bank-limit.getbody preserve=yes
          return Flimit;
        //## end Bank::Setlimit%Q-Bank-limit.getbody
      }
      set
      {
        //## begin Bank::Setlimit%Q-Bank-limit.setbody preserve=yes
          Flimit=value;
        //## end Bank::Setlimit%Q-Bank-limit.setbody
      }
    }
    Account ledger 
    {
      get
      {
        //## begin Bank::Setledger%Q-Books-ledger.getbody preserve=yes
          return Fledger;
        //## end Bank::Setledger%Q-Books-ledger.getbody
      }
      set
      {
        //## begin Bank::Setledger%Q-Books-ledger.setbody preserve=yes
          Fledger=value;
        //## end Bank::Setledger%Q-Books-ledger.setbody
      }
    }
  }
  //## begin Bank%Q-Bank.postscript preserve=yes
  //## end Bank%Q-Bank.postscript


